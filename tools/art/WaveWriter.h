// Sounds written as WAV files in the one form the game's sound layer reads: the canonical 44-byte
// header (RIFF, "fmt " of 16 bytes, "data"), PCM, 16-bit, mono, 22,050 samples a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::uint32_t WAVE_SAMPLE_RATE = 22050;
inline constexpr std::size_t WAVE_HEADER_SIZE = 44;

/// The WAV file of the samples (each clamped to [-1, 1], scaled by 32767 and rounded).
std::vector<std::uint8_t> EncodeWave(const std::vector<float>& samples);
