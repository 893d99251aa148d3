#include "shogi/engine/deep_search.h"
