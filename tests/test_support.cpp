#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

ScratchDir::ScratchDir() {
    previous = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "cycle-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a scratch directory";
    }
    path = pattern;
    std::filesystem::current_path(path);
}

ScratchDir::~ScratchDir() {
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<Node> buildNodes(int n, int k) {
    std::vector<Node> nodes(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        nodes[i].val = i + 1;
    }
    linkShape(nodes, k);
    return nodes;
}

void linkShape(std::vector<Node>& nodes, int k) {
    int n = static_cast<int>(nodes.size());
    for (int i = 0; i + 1 < n; i++) {
        nodes[i].next = &nodes[i + 1];
    }
    if (n > 0) {
        nodes[n - 1].next = k >= 0 ? &nodes[k] : nullptr;
    }
}

List listOf(std::vector<Node>& nodes) {
    if (nodes.empty()) {
        return List{nullptr, nullptr, 0};
    }
    return List{&nodes.front(), &nodes.back(), static_cast<int32_t>(nodes.size())};
}

std::vector<int> successorIndices(const std::vector<Node>& nodes) {
    std::vector<int> indices;
    for (const Node& node : nodes) {
        indices.push_back(node.next == nullptr ? -1 : static_cast<int>(node.next - nodes.data()));
    }
    return indices;
}

std::string shapeName(const Shape& shape) {
    return "n" + std::to_string(shape.n) +
           (shape.k < 0 ? "_linear" : "_to" + std::to_string(shape.k));
}
