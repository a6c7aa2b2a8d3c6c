// A replay script: the engine's side of the system written down. An optional
// `printer` object sets the printer's registry data and forms database, and
// a `calls` array lists, in order, the driver's entry points to call and the
// drawing the engine's renderer does through the driver's hooks. The whole
// script is read and checked before any call runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/types.h"
#include "host/card_job/image.h"
#include "host/engine/forms_database.h"

struct RegistryValue {
  std::u16string name;
  DWORD type;
  std::vector<std::uint8_t> bytes;
};

struct PrinterSetup {
  std::vector<RegistryValue> registry;
  std::optional<std::vector<Form>> forms;  // replaces the default database
};

enum class CallKind {
  kEnablePDEV,
  kCompletePDEV,
  kEnableSurface,
  kDisableSurface,
  kStartDoc,
  kStartPage,
  kSendPage,
  kEndDoc,
  kResetPDEV,
  kDisablePDEV,
  kEscape,
  kFill,
  kBlit,
  kImage,
};

struct ReplayCall {
  CallKind kind;
  std::string name;  // as the script names it
  int line;
  std::string pdev;      // the instance acted on (for a reset: the old one)
  std::string new_pdev;  // DrvResetPDEV's new instance
  // DrvEnablePDEV
  std::u16string device_name;
  std::vector<std::uint8_t> devmode;  // empty: none
  // DrvStartDoc, DrvEndDoc
  std::u16string document_name;
  DWORD job_id = 1;
  FLONG end_flags = 0;
  // DrvEscape
  ULONG escape = 0;
  std::optional<std::vector<std::uint8_t>> input;
  ULONG output_size = 0;
  // fill, blit, image (device coordinates, right and bottom exclusive)
  RECTL rect{};
  std::uint8_t color[3] = {};
  RgbImage picture;  // blit: the raw RGB file's pixels
  POINTL at{};
  std::string image_path;  // image: read when the call runs
};

struct ReplayScript {
  PrinterSetup printer;
  std::vector<ReplayCall> calls;
};

// Reads and checks the script file: JSON syntax, the keys of every object,
// the type and range of every value, the device modes (their declared sizes
// checked against their bytes), files named by blit and image calls (paths
// relative to the script), and that every call names an instance enabled
// before it and not yet disabled. The first problem is a Failure naming the
// script, the line and the reason.
ReplayScript ReadReplayScript(const std::string& path);
