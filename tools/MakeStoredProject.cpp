// Build step: writes the program's stored report project as a C++ source
// that embeds the project stream's bytes (storedProjectBytes).
#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/StoredProject.h"
#include "base/Streams.h"
#include "reporting/project/DZProj.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: MakeStoredProject <output.cpp>\n";
        return 2;
    }
    try {
        TDuzuProjectManager project(nullptr);
        defineStoredProject(project);
        TMemoryStream bytes;
        project.SaveToStream(&bytes);
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << "// Made by MakeStoredProject at build time; do not edit.\n"
            << "#include \"app/StoredProject.h\"\n\n"
            << "namespace {\nconst unsigned char kBytes[] = {";
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.Memory());
        for (std::int64_t i = 0; i < bytes.Size(); ++i) {
            if (i % 16 == 0) out << "\n   ";
            char text[8];
            std::snprintf(text, sizeof text, " %u,", data[i]);
            out << text;
        }
        out << "\n};\n}  // namespace\n\n"
            << "const std::string& storedProjectBytes() {\n"
            << "    static const std::string bytes(reinterpret_cast<const char*>(kBytes), sizeof kBytes);\n"
            << "    return bytes;\n}\n";
        return out.good() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "MakeStoredProject: " << e.what() << "\n";
        return 1;
    }
}
