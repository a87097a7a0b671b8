#include "xml/Envelope.h"
