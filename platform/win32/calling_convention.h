// The Windows system libraries use the stdcall calling convention.
#pragma once

#define PELLOMAR_SYSAPI __stdcall
