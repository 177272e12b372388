#include "core/Input.h"
