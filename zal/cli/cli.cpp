#include <zalcli.h>
// under construction
