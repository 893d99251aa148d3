#include "shogi/engine/lookahead.h"
