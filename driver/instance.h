// Device instances: created for each printer device context from the
// printer description, the printer's registry data, the forms database and
// the application's device mode; completed with the engine's device handle;
// replaced within a document; and freed without leaving a byte behind.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct PDEV;

// A new instance, or null (everything acquired on the way released). pdm is
// the application's device mode or null; the engine has checked that its
// declared sizes fit the bytes behind it.
DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                     ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                     LPWSTR pwszDeviceName, HANDLE hDriver);

// Stores the engine's device handle in the instance.
void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);

// Carries a document in progress over from the old instance to the new one.
BOOL DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew);

// Deletes the default palette and frees the instance.
void DrvDisablePDEV(DHPDEV dhpdev);

// Releases the module, the TrueType substitution table, the printer
// properties and the description, then the instance's heap with the
// instance in it.
void FreePdevMemory(PDEV* pdev);
