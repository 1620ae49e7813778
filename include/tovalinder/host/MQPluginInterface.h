// The plug-in interface between the host and a plug-in module: the one contract that both the
// plug-in (src/) and the simulated host (simhost/) include. It offers
//  - the host's opaque handle types and geometry values,
//  - the ordered list of the 175 host function names that a plug-in binds by name, in binding
//    order, each flagged 1 when the plug-in calls it,
//  - the signatures of the host functions the plug-in calls, and of the plug-in's entry points,
//  - the widget value-list form and the widget event callback type.
// It relies on nothing but <stdint.h>; it is plain C so that any module can include it.
#ifndef TOVALINDER_HOST_MQ_PLUGIN_INTERFACE_H
#define TOVALINDER_HOST_MQ_PLUGIN_INTERFACE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t MQBOOL;   // 32-bit boolean: 0 FALSE, 1 TRUE
typedef uint32_t MQDWORD; // 32-bit unsigned

// Opaque references handed out by the host; a plug-in never looks inside them.
typedef struct MQCDocument* MQDocument;
typedef struct MQCObject* MQObject;

typedef struct MQPoint {
  float x, y, z;
} MQPoint;

typedef struct MQCoordinate {
  float u, v;
} MQCoordinate;

// A value list: pointer pairs, key first, ended by a null key. Keys are NUL-terminated ASCII.
typedef void** MQValueList;

// The one plug-in function the host calls for widget events (document, values, closure pointer).
typedef int (*MQWidgetEventProc)(MQDocument doc, MQValueList values, void* pointer);

// Host version from which the plug-in's handshake accepts the host, and the version it answers.
#define MQ_HOST_VERSION_REQUIRED 0x4300u
#define MQ_PLUGIN_VERSION 0x430u

// Plug-in types answered by MQGetPlugInType.
#define MQPLUGIN_TYPE_IMPORT 1
#define MQPLUGIN_TYPE_EXPORT 2
#define MQPLUGIN_TYPE_CREATE 3
#define MQPLUGIN_TYPE_OBJECT 4
#define MQPLUGIN_TYPE_SELECT 5

// Object integer attributes read and written with MQObj_GetIntValue / MQObj_SetIntValue.
#define MQOBJ_ID_DEPTH 257    // 0x101: depth in the object hierarchy
#define MQOBJ_ID_LOCKING 259  // 0x103: nonzero when locked
#define MQOBJ_ID_SELECTED 262 // 0x106: nonzero when selected in the object list

// Widget messages carried by MQWidget_Value.
#define MQWIDGET_MSG_RUN 0x001
#define MQWIDGET_MSG_SYSTEM 0x100
#define MQWIDGET_MSG_CREATE 0x101
#define MQWIDGET_MSG_DELETE 0x102
#define MQWIDGET_MSG_ADD_CHILD 0x201
#define MQWIDGET_MSG_ATTACH_DIALOG 0x203
#define MQWIDGET_MSG_GET 0x301
#define MQWIDGET_MSG_SET 0x302
#define MQWIDGET_MSG_CALL 0x303
#define MQWIDGET_MSG_ADD_HANDLER 0x304

#define MQ_HOST_FUNCTION_COUNT 175

// Every host function name in binding order; the second value is 1 for the functions the
// plug-in calls (their signatures follow), 0 for those that are only bound.
#define MQ_HOST_FUNCTIONS(X)                                                                       \
  X(MQ_GetWindowHandle, 0)                                                                         \
  X(MQ_CreateObject, 0)                                                                            \
  X(MQ_CreateMaterial, 0)                                                                          \
  X(MQ_ShowFileDialog, 0)                                                                          \
  X(MQ_ImportAxis, 0)                                                                              \
  X(MQ_ExportAxis, 0)                                                                              \
  X(MQ_LoadImage, 0)                                                                               \
  X(MQ_GetSystemPath, 0)                                                                           \
  X(MQ_RefreshView, 0)                                                                             \
  X(MQ_StationCallback, 0)                                                                         \
  X(MQ_SendMessage, 0)                                                                             \
  X(MQDoc_GetObjectCount, 1)                                                                       \
  X(MQDoc_GetObject, 1)                                                                            \
  X(MQDoc_GetObjectFromUniqueID, 0)                                                                \
  X(MQDoc_GetCurrentObjectIndex, 0)                                                                \
  X(MQDoc_SetCurrentObjectIndex, 0)                                                                \
  X(MQDoc_AddObject, 0)                                                                            \
  X(MQDoc_DeleteObject, 1)                                                                         \
  X(MQDoc_GetObjectIndex, 1)                                                                       \
  X(MQDoc_GetUnusedObjectName, 1)                                                                  \
  X(MQDoc_GetMaterialCount, 0)                                                                     \
  X(MQDoc_GetMaterial, 0)                                                                          \
  X(MQDoc_GetMaterialFromUniqueID, 0)                                                              \
  X(MQDoc_GetCurrentMaterialIndex, 0)                                                              \
  X(MQDoc_SetCurrentMaterialIndex, 0)                                                              \
  X(MQDoc_AddMaterial, 0)                                                                          \
  X(MQDoc_DeleteMaterial, 0)                                                                       \
  X(MQDoc_GetUnusedMaterialName, 0)                                                                \
  X(MQDoc_Compact, 0)                                                                              \
  X(MQDoc_ClearSelect, 0)                                                                          \
  X(MQDoc_AddSelectVertex, 0)                                                                      \
  X(MQDoc_DeleteSelectVertex, 0)                                                                   \
  X(MQDoc_IsSelectVertex, 1)                                                                       \
  X(MQDoc_AddSelectLine, 0)                                                                        \
  X(MQDoc_DeleteSelectLine, 0)                                                                     \
  X(MQDoc_IsSelectLine, 0)                                                                         \
  X(MQDoc_AddSelectFace, 0)                                                                        \
  X(MQDoc_DeleteSelectFace, 0)                                                                     \
  X(MQDoc_IsSelectFace, 1)                                                                         \
  X(MQDoc_AddSelectUVVertex, 0)                                                                    \
  X(MQDoc_DeleteSelectUVVertex, 0)                                                                 \
  X(MQDoc_IsSelectUVVertex, 0)                                                                     \
  X(MQDoc_FindMappingFile, 0)                                                                      \
  X(MQDoc_GetScene, 0)                                                                             \
  X(MQDoc_GetMappingImage, 0)                                                                      \
  X(MQDoc_GetParentObject, 0)                                                                      \
  X(MQDoc_GetChildObjectCount, 0)                                                                  \
  X(MQDoc_GetChildObject, 0)                                                                       \
  X(MQDoc_GetGlobalMatrix, 0)                                                                      \
  X(MQDoc_GetGlobalInverseMatrix, 0)                                                               \
  X(MQDoc_InsertObject, 1)                                                                         \
  X(MQDoc_CreateUserData, 0)                                                                       \
  X(MQDoc_DeleteUserData, 0)                                                                       \
  X(MQDoc_Triangulate, 0)                                                                          \
  X(MQScene_InitSize, 0)                                                                           \
  X(MQScene_GetProjMatrix, 0)                                                                      \
  X(MQScene_GetViewMatrix, 0)                                                                      \
  X(MQScene_FloatValue, 0)                                                                         \
  X(MQScene_GetVisibleFace, 0)                                                                     \
  X(MQScene_IntValue, 0)                                                                           \
  X(MQObj_Delete, 1)                                                                               \
  X(MQObj_Clone, 1)                                                                                \
  X(MQObj_Merge, 0)                                                                                \
  X(MQObj_Freeze, 0)                                                                               \
  X(MQObj_GetName, 1)                                                                              \
  X(MQObj_GetVertexCount, 1)                                                                       \
  X(MQObj_GetVertex, 1)                                                                            \
  X(MQObj_SetVertex, 1)                                                                            \
  X(MQObj_GetVertexArray, 0)                                                                       \
  X(MQObj_GetFaceCount, 1)                                                                         \
  X(MQObj_GetFacePointCount, 1)                                                                    \
  X(MQObj_GetFacePointArray, 1)                                                                    \
  X(MQObj_GetFaceCoordinateArray, 1)                                                               \
  X(MQObj_GetFaceMaterial, 1)                                                                      \
  X(MQObj_GetFaceUniqueID, 1)                                                                      \
  X(MQObj_GetFaceIndexFromUniqueID, 1)                                                             \
  X(MQObj_SetName, 1)                                                                              \
  X(MQObj_AddVertex, 0)                                                                            \
  X(MQObj_DeleteVertex, 0)                                                                         \
  X(MQObj_GetVertexRefCount, 1)                                                                    \
  X(MQObj_GetVertexUniqueID, 1)                                                                    \
  X(MQObj_GetVertexIndexFromUniqueID, 1)                                                           \
  X(MQObj_GetVertexRelatedFaces, 1)                                                                \
  X(MQObj_GetVertexWeight, 1)                                                                      \
  X(MQObj_SetVertexWeight, 1)                                                                      \
  X(MQObj_CopyVertexAttribute, 0)                                                                  \
  X(MQObj_AddFace, 0)                                                                              \
  X(MQObj_InsertFace, 0)                                                                           \
  X(MQObj_DeleteFace, 0)                                                                           \
  X(MQObj_InvertFace, 0)                                                                           \
  X(MQObj_SetFaceMaterial, 1)                                                                      \
  X(MQObj_SetFaceCoordinateArray, 1)                                                               \
  X(MQObj_GetFaceVertexColor, 0)                                                                   \
  X(MQObj_SetFaceVertexColor, 0)                                                                   \
  X(MQObj_GetFaceEdgeCrease, 1)                                                                    \
  X(MQObj_SetFaceEdgeCrease, 1)                                                                    \
  X(MQObj_GetFaceVisible, 0)                                                                       \
  X(MQObj_SetFaceVisible, 0)                                                                       \
  X(MQObj_OptimizeVertex, 0)                                                                       \
  X(MQObj_Compact, 0)                                                                              \
  X(MQObj_GetVisible, 1)                                                                           \
  X(MQObj_SetVisible, 1)                                                                           \
  X(MQObj_GetPatchType, 0)                                                                         \
  X(MQObj_SetPatchType, 0)                                                                         \
  X(MQObj_GetPatchSegment, 0)                                                                      \
  X(MQObj_SetPatchSegment, 0)                                                                      \
  X(MQObj_GetShading, 0)                                                                           \
  X(MQObj_SetShading, 0)                                                                           \
  X(MQObj_GetSmoothAngle, 0)                                                                       \
  X(MQObj_SetSmoothAngle, 0)                                                                       \
  X(MQObj_GetMirrorType, 0)                                                                        \
  X(MQObj_SetMirrorType, 0)                                                                        \
  X(MQObj_GetMirrorAxis, 0)                                                                        \
  X(MQObj_SetMirrorAxis, 0)                                                                        \
  X(MQObj_GetMirrorDistance, 0)                                                                    \
  X(MQObj_SetMirrorDistance, 0)                                                                    \
  X(MQObj_GetLatheType, 0)                                                                         \
  X(MQObj_SetLatheType, 0)                                                                         \
  X(MQObj_GetLatheAxis, 0)                                                                         \
  X(MQObj_SetLatheAxis, 0)                                                                         \
  X(MQObj_GetLatheSegment, 0)                                                                      \
  X(MQObj_SetLatheSegment, 0)                                                                      \
  X(MQObj_GetIntValue, 1)                                                                          \
  X(MQObj_GetFloatArray, 0)                                                                        \
  X(MQObj_SetIntValue, 1)                                                                          \
  X(MQObj_SetFloatArray, 0)                                                                        \
  X(MQObj_PointerArray, 0)                                                                         \
  X(MQObj_AllocUserData, 0)                                                                        \
  X(MQObj_FreeUserData, 0)                                                                         \
  X(MQObj_GetUserData, 0)                                                                          \
  X(MQObj_SetUserData, 0)                                                                          \
  X(MQObj_AllocVertexUserData, 0)                                                                  \
  X(MQObj_FreeVertexUserData, 0)                                                                   \
  X(MQObj_GetVertexUserData, 0)                                                                    \
  X(MQObj_SetVertexUserData, 0)                                                                    \
  X(MQObj_AllocFaceUserData, 0)                                                                    \
  X(MQObj_FreeFaceUserData, 0)                                                                     \
  X(MQObj_GetFaceUserData, 0)                                                                      \
  X(MQObj_SetFaceUserData, 0)                                                                      \
  X(MQMat_Delete, 0)                                                                               \
  X(MQMat_GetIntValue, 0)                                                                          \
  X(MQMat_GetFloatArray, 0)                                                                        \
  X(MQMat_GetName, 0)                                                                              \
  X(MQMat_GetColor, 0)                                                                             \
  X(MQMat_GetAlpha, 0)                                                                             \
  X(MQMat_GetDiffuse, 0)                                                                           \
  X(MQMat_GetAmbient, 0)                                                                           \
  X(MQMat_GetEmission, 0)                                                                          \
  X(MQMat_GetSpecular, 0)                                                                          \
  X(MQMat_GetPower, 0)                                                                             \
  X(MQMat_GetTextureName, 0)                                                                       \
  X(MQMat_GetAlphaName, 0)                                                                         \
  X(MQMat_GetBumpName, 0)                                                                          \
  X(MQMat_SetIntValue, 0)                                                                          \
  X(MQMat_SetFloatArray, 0)                                                                        \
  X(MQMat_SetName, 0)                                                                              \
  X(MQMat_SetColor, 0)                                                                             \
  X(MQMat_SetAlpha, 0)                                                                             \
  X(MQMat_SetDiffuse, 0)                                                                           \
  X(MQMat_SetAmbient, 0)                                                                           \
  X(MQMat_SetEmission, 0)                                                                          \
  X(MQMat_SetSpecular, 0)                                                                          \
  X(MQMat_SetPower, 0)                                                                             \
  X(MQMat_SetTextureName, 0)                                                                       \
  X(MQMat_SetAlphaName, 0)                                                                         \
  X(MQMat_SetBumpName, 0)                                                                          \
  X(MQMat_AllocUserData, 0)                                                                        \
  X(MQMat_FreeUserData, 0)                                                                         \
  X(MQMat_GetUserData, 0)                                                                          \
  X(MQMat_SetUserData, 0)                                                                          \
  X(MQMatrix_FloatValue, 0)                                                                        \
  X(MQXmlElem_Value, 0)                                                                            \
  X(MQXmlDoc_Value, 0)                                                                             \
  X(MQWidget_Value, 1)                                                                             \
  X(MQCanvas_Value, 0)

// Signatures of the host functions the plug-in calls: X(result, name, parameter list).
#define MQ_HOST_CALLED_FUNCTIONS(X)                                                                \
  X(int, MQDoc_GetObjectCount, (MQDocument doc))                                                   \
  X(MQObject, MQDoc_GetObject, (MQDocument doc, int index))                                        \
  X(int, MQDoc_DeleteObject, (MQDocument doc, int index))                                          \
  X(int, MQDoc_GetObjectIndex, (MQDocument doc, MQObject obj))                                     \
  X(void, MQDoc_GetUnusedObjectName,                                                               \
    (MQDocument doc, char* buffer, int buffer_size, const char* base_name))                        \
  X(MQBOOL, MQDoc_IsSelectVertex, (MQDocument doc, int object_index, int vertex_index))            \
  X(MQBOOL, MQDoc_IsSelectFace, (MQDocument doc, int object_index, int face_index))                \
  X(int, MQDoc_InsertObject, (MQDocument doc, MQObject obj, MQObject before))                      \
  X(void, MQObj_Delete, (MQObject obj))                                                            \
  X(MQObject, MQObj_Clone, (MQObject obj))                                                         \
  X(void, MQObj_GetName, (MQObject obj, char* buffer, int size))                                   \
  X(int, MQObj_GetVertexCount, (MQObject obj))                                                     \
  X(void, MQObj_GetVertex, (MQObject obj, int index, MQPoint* point))                              \
  X(void, MQObj_SetVertex, (MQObject obj, int index, MQPoint* point))                              \
  X(int, MQObj_GetFaceCount, (MQObject obj))                                                       \
  X(int, MQObj_GetFacePointCount, (MQObject obj, int face))                                        \
  X(void, MQObj_GetFacePointArray, (MQObject obj, int face, int* vertices))                        \
  X(void, MQObj_GetFaceCoordinateArray, (MQObject obj, int face, MQCoordinate* uv_array))          \
  X(int, MQObj_GetFaceMaterial, (MQObject obj, int face))                                          \
  X(MQDWORD, MQObj_GetFaceUniqueID, (MQObject obj, int face))                                      \
  X(int, MQObj_GetFaceIndexFromUniqueID, (MQObject obj, MQDWORD unique_id))                        \
  X(MQBOOL, MQObj_SetName, (MQObject obj, const char* name))                                       \
  X(int, MQObj_GetVertexRefCount, (MQObject obj, int index))                                       \
  X(MQDWORD, MQObj_GetVertexUniqueID, (MQObject obj, int index))                                   \
  X(int, MQObj_GetVertexIndexFromUniqueID, (MQObject obj, MQDWORD unique_id))                      \
  X(int, MQObj_GetVertexRelatedFaces, (MQObject obj, int vertex, int* faces))                      \
  X(float, MQObj_GetVertexWeight, (MQObject obj, int index))                                       \
  X(MQBOOL, MQObj_SetVertexWeight, (MQObject obj, int index, float weight))                        \
  X(void, MQObj_SetFaceMaterial, (MQObject obj, int face, int material))                           \
  X(void, MQObj_SetFaceCoordinateArray, (MQObject obj, int face, MQCoordinate* uv_array))          \
  X(float, MQObj_GetFaceEdgeCrease, (MQObject obj, int face, int line))                            \
  X(MQBOOL, MQObj_SetFaceEdgeCrease, (MQObject obj, int face, int line, float crease))             \
  X(MQDWORD, MQObj_GetVisible, (MQObject obj))                                                     \
  X(void, MQObj_SetVisible, (MQObject obj, MQDWORD flag))                                          \
  X(int, MQObj_GetIntValue, (MQObject obj, int type_id))                                           \
  X(void, MQObj_SetIntValue, (MQObject obj, int type_id, int value))                               \
  X(void, MQWidget_Value, (int widget_id, int message, MQValueList values))

// params is the parenthesized parameter list itself.
// NOLINTNEXTLINE(bugprone-macro-parentheses)
#define MQ_DECLARE_HOST_FUNCTION_TYPE(result, name, params) typedef result(*name##_fn) params;
MQ_HOST_CALLED_FUNCTIONS(MQ_DECLARE_HOST_FUNCTION_TYPE)
#undef MQ_DECLARE_HOST_FUNCTION_TYPE

// The fourteen entry points a plug-in module exports, with undecorated names.
typedef MQDWORD (*MQCheckVersion_fn)(MQDWORD host_version);
typedef MQBOOL (*MQInit_fn)(const char* host_module_file);
typedef void (*MQGetPlugInID_fn)(MQDWORD* product, MQDWORD* id);
typedef const char* (*MQGetPlugInName_fn)(void);
typedef int (*MQGetPlugInType_fn)(void);
typedef const char* (*MQEnumString_fn)(int index);
typedef const char* (*MQEnumFileType_fn)(int index);
typedef const char* (*MQEnumFileExt_fn)(int index);
typedef MQBOOL (*MQImportFile_fn)(int index, const char* filename, MQDocument doc);
typedef MQBOOL (*MQExportFile_fn)(int index, const char* filename, MQDocument doc);
typedef MQBOOL (*MQCreate_fn)(int index, MQDocument doc);
typedef MQBOOL (*MQModifyObject_fn)(int index, MQDocument doc);
typedef MQBOOL (*MQModifySelect_fn)(int index, MQDocument doc);
typedef MQBOOL (*MQOnEvent_fn)(MQDocument doc, int event_type, MQValueList values);

// clang-format off
#define MQ_PLUGIN_ENTRY_POINTS(X) \
  X(MQCheckVersion) \
  X(MQInit) \
  X(MQGetPlugInID) \
  X(MQGetPlugInName) \
  X(MQGetPlugInType) \
  X(MQEnumString) \
  X(MQEnumFileType) \
  X(MQEnumFileExt) \
  X(MQImportFile) \
  X(MQExportFile) \
  X(MQCreate) \
  X(MQModifyObject) \
  X(MQModifySelect) \
  X(MQOnEvent)
// clang-format on

#ifdef __cplusplus
}
#endif

#endif
