// Page geometry: the instance's current form (paper size and imageable area
// in PS reals, y upwards), chosen from the device mode, the forms database
// and the description, falling back to the description's card size, and
// turned for landscape.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct PDEV;

// Fills the current form from the device mode; FALSE when not even the
// default card size can be found.
BOOL SetFormMetrics(PDEV* pdev);

// Fills the current form from the description's default card size.
BOOL SetDefaultPrinterForm(PDEV* pdev);

// Turns the current form when the device mode asks for landscape.
void AdjustForLandscape(PDEV* pdev);

// TRUE when both device modes select the same form in the same way and the
// same paper source.
BOOL SameDevmodeFormTray(const DEVMODEW* pdm1, const DEVMODEW* pdm2);
