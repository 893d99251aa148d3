#include "shogi/engine/evaluate.h"
