// The profile store's error type (declared with the operating-system seam, which raises it).
#pragma once

#include "platform/StoreError.h"
