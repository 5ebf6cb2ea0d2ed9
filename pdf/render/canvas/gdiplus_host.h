// The host table that hands the GDI+ provider the pixels behind our device contexts and
// bitmap handles (the provider does not link the graphics layer).
#pragma once

#include "platform/gdiplus/gdiplus_flat.h"

class TWZRXGDIPlus;

// The table, for the provider's VelmoraGdiplusSetHost.
const gdiplus::GpHostTable& GdiplusHostTable();
// Installs the table in a bound provider (a provider without the hook is left alone).
void InstallGdiplusHost(TWZRXGDIPlus& gdiplus);
