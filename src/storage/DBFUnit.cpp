#include "storage/DBFUnit.h"
