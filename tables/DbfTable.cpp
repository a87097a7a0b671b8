#include "tables/DbfTable.h"
