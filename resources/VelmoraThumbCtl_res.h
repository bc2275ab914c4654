// Resource identifiers of the VelmoraThumbCtl library.
#pragma once

#define IDS_PROJNAME 100
#define IDB_VELMORATHUMBCTL 101
#define IDR_VELMORATHUMBCTL 102
#define IDR_VELMORAPICTURECACHE 104
