#include "text/Convert.h"
