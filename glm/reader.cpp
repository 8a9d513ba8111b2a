#include "glm/glm.h"
