#include "text/Cp1251.h"
