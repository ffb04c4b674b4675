#include "profiles/OutputNaming.h"

namespace velmora {

namespace {

constexpr int kMaxNumberedName = 100'000;

}  // namespace

std::string numberedName(std::string_view stem, int n, std::string_view extension) {
    std::string name(stem);
    name += kNewNameMark;
    name += std::to_string(n);
    name += ')';
    name += extension;
    return name;
}

std::optional<std::string> findNumberedName(std::string_view stem, std::string_view extension,
                                            const FileExists& fileExists) {
    for (int n = 1; n <= kMaxNumberedName; ++n) {
        std::string candidate = numberedName(stem, n, extension);
        if (!fileExists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<std::string> outputNameForAdd(const std::string& name, ExistingFileRule rule,
                                            const FileExists& fileExists) {
    if (rule != ExistingFileRule::NewName || !fileExists(name)) {
        return name;
    }
    return findNumberedName(withoutExtension(name), extensionOf(name), fileExists);
}

std::optional<std::string> outputNameForStart(const std::string& name, ExistingFileRule rule,
                                              const FileExists& fileExists) {
    // Only the file-name part counts: a folder whose name holds the mark is not cut.
    const std::size_t mark = name.find(kNewNameMark, name.size() - fileNamePart(name).size());
    if (mark == std::string::npos) {
        return name;
    }
    const std::string base = name.substr(0, mark);
    const std::string extension(extensionOf(name));
    std::string plain = base + extension;
    if (rule != ExistingFileRule::NewName || !fileExists(plain)) {
        return plain;
    }
    return findNumberedName(base, extension, fileExists);
}

}  // namespace velmora
