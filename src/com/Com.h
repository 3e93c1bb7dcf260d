#pragma once

// The COM vocabulary of the add-in in one include.

#include "com/Apartment.h"
#include "com/Bstr.h"
#include "com/ClassFactory.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"
#include "com/ComTypes.h"
#include "com/ConnectionPoint.h"
#include "com/Guid.h"
#include "com/HResult.h"
#include "com/InterfaceId.h"
#include "com/Unknown.h"
