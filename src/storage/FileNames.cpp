#include "storage/FileNames.h"
