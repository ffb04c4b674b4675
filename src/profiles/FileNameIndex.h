// The names of a job list's sources or outputs, kept so that "does this name lead to one of
// them" costs a hash lookup and a stat of the name, however long the list.
//
// Two names lead to one file when they are the same path once made absolute and normalised, or
// when both exist and are the same file on disk (device and inode: a linked folder, a second
// hard link). A name that does not exist matches no other spelling of it. This is the one place
// that rule is written; sameFilePath and namesAny use it too.
//
// Files come and go between lookups (a listed output that did not exist is written later, a
// source is replaced). The index keeps each listed name's device and inode as last seen and, per
// folder holding listed names, the folder's identity and change times as they were then. A
// lookup that needs the disk looks at every such folder once and looks again at the names of a
// folder that changed since (adding, removing or renaming an entry changes its folder's times).
// A folder changed so recently that a further change could carry the same time stamp is looked
// through again at the next lookup.
//
// Threads: not thread-safe, also not for concurrent lookups (a lookup refreshes what was seen).
#pragma once

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace velmora {

class FileNameIndex {
public:
    FileNameIndex() = default;
    FileNameIndex(std::initializer_list<std::string> names);
    explicit FileNameIndex(const std::vector<std::string>& names);

    // Lists a name; a relative name is taken from the current folder as it is now. A name listed
    // twice stays listed until it is removed twice.
    void add(const std::string& name);
    // Takes a listed name out again (spelt as listed, or any spelling with the same normal
    // text); false when it is not listed.
    bool remove(const std::string& name);
    // True when name leads to the same file as a listed name (see the rule above).
    bool contains(const std::string& name) const;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

private:
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };
    struct IdentityHash {
        std::size_t operator()(const Identity& identity) const;
    };
    struct Listed {
        int count = 0;                     // how often the name was added
        std::optional<Identity> identity;  // as last seen; none while missing or not looked at
    };
    // What a folder looked like: the names in it were looked at after this.
    struct FolderState {
        bool exists = false;
        Identity identity;
        std::timespec modified{};
        std::timespec changed{};
    };
    struct Folder {
        std::unordered_set<std::string> names;  // normal texts of the listed names in it
        std::optional<FolderState> seen;        // none until its names were first looked at
        bool settled = false;  // seen is old enough that a later change shows in its times
    };

    static std::optional<Identity> identityOf(const std::string& normal);
    static FolderState folderStateOf(const std::string& folder);
    void setIdentity(Listed& listed, std::optional<Identity> identity) const;
    // Looks again at the names of every folder that changed since its names were looked at.
    void refresh() const;

    // Keyed by the normal text (absolute, normalised).
    mutable std::unordered_map<std::string, Listed> m_names;
    // How many distinct listed names have each identity, as last seen.
    mutable std::unordered_map<Identity, int, IdentityHash> m_identities;
    // Keyed by the folder's normal text.
    mutable std::unordered_map<std::string, Folder> m_folders;
    std::size_t m_size = 0;
};

}  // namespace velmora
