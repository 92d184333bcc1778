// scratchfolder.h - a fresh folder under the system's temporary folder, for a test, a
// benchmark or a fuzzing process: made when the object is, removed with everything in it when
// the object goes. `root` is "" when no folder could be made (ready() tells).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vesktest {

class scratchfolder {
public:
  scratchfolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vesk-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) root = name.data();
  }
  ~scratchfolder() {
    std::error_code ignored;
    if (!root.empty()) std::filesystem::remove_all(root, ignored);
  }
  scratchfolder(scratchfolder const&) = delete;
  scratchfolder& operator=(scratchfolder const&) = delete;

  bool ready() const { return !root.empty(); }
  std::string path(std::string const& name) const { return root + "/" + name; }
  // Writes `text` byte for byte (no line-end translation) into the file `name`.
  void writefile(std::string const& name, std::string const& text = "x") const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  bool exists(std::string const& name) const {
    return std::filesystem::exists(std::filesystem::symlink_status(path(name)));
  }
  bool isfolder(std::string const& name) const { return std::filesystem::is_directory(path(name)); }

  std::string root;
};

} // namespace vesktest
