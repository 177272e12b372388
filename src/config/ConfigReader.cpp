#include "config/ConfigReader.h"
