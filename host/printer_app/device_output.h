// Bytes to a PAPPL device, every one, or false.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <span>

bool WriteToDevice(pappl_device_t* device, std::span<const std::uint8_t> bytes);
