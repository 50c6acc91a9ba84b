// The stand-in system libraries use the C calling convention.
#pragma once

#define PELLOMAR_SYSAPI
