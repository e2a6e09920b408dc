#include "text/OrfoUnit.h"
