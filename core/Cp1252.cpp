#include "core/Cp1252.h"
