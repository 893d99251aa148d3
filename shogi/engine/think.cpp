#include "shogi/engine/think.h"
