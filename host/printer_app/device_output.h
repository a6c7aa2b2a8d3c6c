// What the printer application sends to a job's device.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <span>

// Bytes to a PAPPL device, every one, or false.
bool WriteToDevice(pappl_device_t* device, std::span<const std::uint8_t> bytes);

// A job that was cancelled or failed leaves no job file behind: when the
// printer's device is a file: folder, the file PAPPL opened in it for the
// job (the job's name with the folder's extension, ".prn" unless the URI's
// ext= says otherwise) is removed, whatever part of the job it holds.
void DropJobFile(pappl_job_t* job);
