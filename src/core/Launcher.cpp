#include "core/Launcher.h"
