#include "xml/XmlDocument.h"
