// Writes the core's button face as a BMP file, for the DLL's resources:
//   button_face_file <file>
#include <cstdio>

#include "addin/ButtonFace.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: button_face_file <file>\n", stderr);
        return 2;
    }
    const std::vector<std::uint8_t> face = velmora::LoadBitmapResource(u"Ondrel");
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || face.empty()) return 1;
    const bool written = std::fwrite(face.data(), 1, face.size(), file) == face.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
