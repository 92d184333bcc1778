// workspace.h - the scripts around a document: its own folder and the -I folders, where the
// scripts it calls are found (as the engine finds them: NAME.vk, its own folder first), and
// what those scripts say. A script the editor has open is read from the editor's text, never
// from its file; the others from their files, read again when they change.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis.h"

namespace cli::lsp {

// The editor's text of an open document, with a number that changes whenever the text does.
struct opentext {
  std::string const* text = nullptr; // null: not open
  unsigned long long generation = 0;
};

// A script's text and how it reads.
struct scriptread {
  std::string path;
  std::string text;
  std::shared_ptr<analysis const> lines;
};

class workspace {
public:
  // `opened` gives the editor's text of an open document by its path (null: not open);
  // `includes` are the -I folders; `functions` every registered function.
  workspace(std::vector<std::string> includes, std::set<std::string> functions,
            std::function<opentext(std::string const& path)> opened);

  std::set<std::string> const& functions() const { return functionnames; }
  // The folders where the scripts that `docpath` calls are found, in the order they are tried.
  std::vector<std::string> folders(std::string const& docpath) const;
  // The names of the scripts in reach of `docpath`.
  std::set<std::string> scripts(std::string const& docpath);
  // The path of the script `name` as a call from `docpath` finds it; "" when none is in reach.
  std::string scriptpath(std::string const& docpath, std::string const& name);
  // The other scripts of the folder of `docpath`.
  std::vector<std::string> siblings(std::string const& docpath);
  // The script at `path`, read (null when it cannot be read).
  std::shared_ptr<scriptread const> read(std::string const& path);
  // Listings and files may have changed (a document was saved).
  void forget();

private:
  struct listing {
    std::chrono::steady_clock::time_point taken;
    std::vector<std::string> names; // NAME of each NAME.vk
  };
  struct cached {
    std::string stamp; // what the text was taken from: an open document's text, or a file's state
    std::shared_ptr<scriptread const> script;
  };

  listing const& list(std::string const& folder);

  std::vector<std::string> includes;
  std::set<std::string> functionnames;
  std::function<opentext(std::string const&)> opened;
  std::string home; // the working folder when the server started: that of unsaved documents
  std::map<std::string, listing> listings;
  std::map<std::string, cached> texts;
};

// The folder of a document's path ("" for a document that is no file).
std::string folderof(std::string const& path);

} // namespace cli::lsp
