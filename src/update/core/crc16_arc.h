#pragma once
// CRC-16/ARC: reflected polynomial 0xA001, initial value 0, no final XOR. The checksum a
// firmware image carries in its last two bytes.
#include <cstdint>
#include <span>

std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes);
