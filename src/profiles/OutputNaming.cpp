#include "profiles/OutputNaming.h"

namespace velmora {

namespace {

constexpr int kMaxNumberedName = 100'000;

// Only the file-name part counts: a folder whose name holds the mark is not cut.
std::size_t markPosition(const std::string& name) {
    return name.find(kNewNameMark, name.size() - fileNamePart(name).size());
}

// A name numbering must skip: on disk, or taken by the list (an empty test takes none).
FileExists onDiskOrTaken(const FileExists& fileExists, const FileExists& isTaken) {
    return [&fileExists, &isTaken](const std::string& path) {
        return fileExists(path) || (isTaken && isTaken(path));
    };
}

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

bool carriesNewNameMark(const std::string& name) {
    return markPosition(name) != std::string::npos;
}

bool namesAny(const std::vector<std::string>& names, const std::string& path) {
    return FileNameIndex(names).contains(path);
}

std::optional<std::string> outputNameForAdd(const std::string& name, ExistingFileRule rule,
                                            const FileExists& fileExists,
                                            const FileNameIndex& listedOutputs) {
    const FileExists listed = [&listedOutputs](const std::string& path) {
        return listedOutputs.contains(path);
    };
    if (!listed(name) && (rule != ExistingFileRule::NewName || !fileExists(name))) {
        return name;
    }
    return findNumberedName(withoutExtension(name), extensionOf(name),
                            onDiskOrTaken(fileExists, listed));
}

std::optional<std::string> outputNameForStart(const std::string& name, ExistingFileRule rule,
                                              const FileExists& fileExists,
                                              const FileExists& isTaken) {
    const auto taken = [&isTaken](const std::string& path) { return isTaken && isTaken(path); };
    const FileExists takenOrOnDisk = onDiskOrTaken(fileExists, isTaken);
    const std::size_t mark = markPosition(name);
    if (mark == std::string::npos) {
        if (!taken(name)) {
            return name;
        }
        return findNumberedName(withoutExtension(name), extensionOf(name), takenOrOnDisk);
    }
    const std::string base = name.substr(0, mark);
    const std::string extension(extensionOf(name));
    std::string plain = base + extension;
    if (!taken(plain) && (rule != ExistingFileRule::NewName || !fileExists(plain))) {
        return plain;
    }
    return findNumberedName(base, extension, takenOrOnDisk);
}

}  // namespace velmora
