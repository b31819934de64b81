#pragma once

// How many profiles the program keeps, and which of them the user works with.
namespace ProfileNumbers {

// The profile files on disk: p1.bin … p10.bin hold profiles 0 … 9.
inline constexpr int kFileCount = 10;
// The profiles the user picks, names and switches to are 0 … kHighestNamed; the files
// beyond them hold the gun slots' and the device's own profiles.
inline constexpr int kHighestNamed = 5;
inline constexpr int kNamedCount = kHighestNamed + 1;

}  // namespace ProfileNumbers
