#pragma once

#include <string>
#include <vector>

// Byte-level TGA files of the kinds that have broken real readers, each with
// the result the reader must give. They seed the fuzzer's corpus and are run
// as regular tests.
struct TgaCase {
    std::string name;
    std::vector<unsigned char> bytes;
    bool accepted;
    int width = 0;
    int height = 0;
    int components = 0;
};

std::vector<TgaCase> tgaCases();

// The 18-byte header of an uncompressed true-colour image.
std::vector<unsigned char> tgaHeader(int width, int height, int depth, int descriptor = 0);
