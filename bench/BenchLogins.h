#pragma once

// The vault's login schema, shared by the benchmarks that fill it.

#include "foundation/NStruct.h"

#include <QString>

inline QString LoginStructure()
{
    return JoinItems(
        {JoinItems({"Site name", "SITE_NAME", "STR", "260"}), JoinItems({"Login name", "LOGIN_NAME", "STR", "64"}),
         JoinItems({"Password", "PASSWORD", "STR", "64"}), JoinItems({"Note", "NOTE", "STR", "2048", "1"})});
}
