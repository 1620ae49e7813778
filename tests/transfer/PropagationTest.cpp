#include "TransferFixture.h"
