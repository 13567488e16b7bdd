#include "flags.h"

CProcessFlags& ProcessFlags()
{
    static CProcessFlags flags;
    return flags;
}
