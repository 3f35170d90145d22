#pragma once
// Internal to src/platform: the Windows headers in the order they need:
// Winsock before windows.h, and the ones that build on windows.h after it.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <mswsock.h>
#include <shellapi.h>
// clang-format on
