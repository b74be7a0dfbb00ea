#include "TgaCases.h"

namespace {
using Bytes = std::vector<unsigned char>;

Bytes withPixels(Bytes header, std::size_t pixelBytes) {
    for (std::size_t i = 0; i < pixelBytes; ++i) header.push_back(static_cast<unsigned char>(i * 7 + 1));
    return header;
}

TgaCase accepted(std::string name, Bytes bytes, int w, int h, int comps) {
    return TgaCase{std::move(name), std::move(bytes), true, w, h, comps};
}

TgaCase refused(std::string name, Bytes bytes) {
    return TgaCase{std::move(name), std::move(bytes), false};
}

void addFixedHeaderViolations(std::vector<TgaCase>& cases) {
    const Bytes good = withPixels(tgaHeader(2, 2, 24), 12);
    struct Violation { const char* name; int offset; unsigned char value; };
    const Violation violations[] = {
        {"identification_field", 0, 5},  {"colour_map_type", 1, 1},
        {"image_type_1", 2, 1},          {"image_type_3", 2, 3},
        {"image_type_9", 2, 9},          {"image_type_10_rle", 2, 10},
        {"image_type_11", 2, 11},        {"colour_map_first_entry", 3, 1},
        {"colour_map_length", 5, 16},    {"colour_map_depth", 7, 24},
        {"origin_x", 8, 1},              {"origin_x_high", 9, 1},
        {"origin_y", 10, 1},             {"origin_y_high", 11, 1},
    };
    for (const Violation& v : violations) {
        Bytes bytes = good;
        bytes[v.offset] = v.value;
        cases.push_back(refused(std::string("header_") + v.name, bytes));
    }
}
}  // namespace

Bytes tgaHeader(int width, int height, int depth, int descriptor) {
    Bytes h = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    h.push_back(static_cast<unsigned char>(width & 0xFF));
    h.push_back(static_cast<unsigned char>((width >> 8) & 0xFF));
    h.push_back(static_cast<unsigned char>(height & 0xFF));
    h.push_back(static_cast<unsigned char>((height >> 8) & 0xFF));
    h.push_back(static_cast<unsigned char>(depth));
    h.push_back(static_cast<unsigned char>(descriptor));
    return h;
}

std::vector<TgaCase> tgaCases() {
    std::vector<TgaCase> cases;
    const Bytes header2x2 = tgaHeader(2, 2, 24);

    cases.push_back(refused("empty_file", {}));
    cases.push_back(refused("one_byte", {0}));
    cases.push_back(refused("seventeen_bytes", Bytes(header2x2.begin(), header2x2.begin() + 17)));
    cases.push_back(accepted("eighteen_bytes_0x0", tgaHeader(0, 0, 24), 0, 0, 3));
    cases.push_back(refused("eighteen_bytes_declaring_pixels", header2x2));

    addFixedHeaderViolations(cases);

    for (int depth : {0, 8, 15, 16, 31, 33, 255}) {
        cases.push_back(refused("depth_" + std::to_string(depth), withPixels(tgaHeader(2, 2, depth), 64)));
    }
    cases.push_back(accepted("depth_24", withPixels(tgaHeader(2, 2, 24), 12), 2, 2, 3));
    cases.push_back(accepted("depth_32", withPixels(tgaHeader(2, 2, 32), 16), 2, 2, 4));

    cases.push_back(accepted("width_0", tgaHeader(0, 5, 24), 0, 5, 3));
    cases.push_back(accepted("height_0", tgaHeader(7, 0, 32), 7, 0, 4));
    cases.push_back(accepted("odd_width_3x2", withPixels(tgaHeader(3, 2, 24), 18), 3, 2, 3));
    cases.push_back(accepted("odd_width_5x1_32", withPixels(tgaHeader(5, 1, 32), 20), 5, 1, 4));
    cases.push_back(refused("huge_65535x65535_24", withPixels(tgaHeader(65535, 65535, 24), 300)));
    cases.push_back(refused("huge_65535x65535_32", withPixels(tgaHeader(65535, 65535, 32), 300)));

    cases.push_back(refused("pixels_one_byte_short", withPixels(tgaHeader(4, 3, 24), 35)));
    cases.push_back(refused("pixels_one_row_short", withPixels(tgaHeader(4, 3, 24), 24)));
    cases.push_back(accepted("descriptor_ignored", withPixels(tgaHeader(2, 1, 32, 0x28), 8), 2, 1, 4));

    Bytes trailing = withPixels(tgaHeader(2, 2, 24), 12 + 9);
    cases.push_back(accepted("trailing_bytes", trailing, 2, 2, 3));

    // Extension and developer offsets (0 = none) and the format-2.0 signature.
    Bytes footer = withPixels(tgaHeader(2, 2, 24), 12);
    const char signature[] = "TRUEVISION-XFILE.";
    for (int i = 0; i < 8; ++i) footer.push_back(0);
    for (const char* c = signature; *c; ++c) footer.push_back(static_cast<unsigned char>(*c));
    footer.push_back(0);
    cases.push_back(accepted("format_2_footer", footer, 2, 2, 3));
    return cases;
}
