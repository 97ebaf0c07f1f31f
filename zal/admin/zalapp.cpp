#include <zalapp.h>
// under construction
