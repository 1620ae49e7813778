# The fuzz targets: name, source and libraries. Included by fuzz/ (libFuzzer builds) and by the
# tests (corpus replay on every build).
set(TOVALINDER_FUZZ_TARGETS value_list object_handle widget_event naming)
set(TOVALINDER_FUZZ_SOURCE_value_list ${CMAKE_CURRENT_LIST_DIR}/targets/ValueListFuzz.cpp)
set(TOVALINDER_FUZZ_LIBS_value_list tovalinder_core)
set(TOVALINDER_FUZZ_SOURCE_object_handle ${CMAKE_CURRENT_LIST_DIR}/targets/ObjectHandleFuzz.cpp)
set(TOVALINDER_FUZZ_LIBS_object_handle tovalinder_core SimHost)
set(TOVALINDER_FUZZ_SOURCE_widget_event ${CMAKE_CURRENT_LIST_DIR}/targets/WidgetEventFuzz.cpp)
set(TOVALINDER_FUZZ_LIBS_widget_event tovalinder_core SimHost)
set(TOVALINDER_FUZZ_SOURCE_naming ${CMAKE_CURRENT_LIST_DIR}/targets/NamingFuzz.cpp)
set(TOVALINDER_FUZZ_LIBS_naming tovalinder_core SimHost)
set(TOVALINDER_FUZZ_CORPUS_DIR ${CMAKE_CURRENT_LIST_DIR}/corpus)
