#include "shogi/engine/book.h"
