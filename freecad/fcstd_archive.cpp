#include "freecad/fcstd_archive.h"
