#ifndef SHGS_DATAFILES_DESCRIPTION_FILE_H_
#define SHGS_DATAFILES_DESCRIPTION_FILE_H_

#include <cstddef>
#include <memory>
#include <streambuf>
#include <string>

#include "platform/platform.h"

namespace shgs {

// A game's description text, read line by line as far as it is wanted: a
// huge file costs no more than the lines taken from it. The text ends at the
// file's size when opened, or at a Ctrl-Z byte, as the Windows C runtime's
// text mode reads it (old text files end with one).
class DescriptionFile {
 public:
  // The text in "text".
  explicit DescriptionFile(std::unique_ptr<InputFile> text);

  // The Windows path of a game's description file: "serverRoot" + "\DescFile\"
  // + "description", lowered; empty when it does not end in "txt", since
  // only such files are read.
  static std::string pathOf(const std::string& serverRoot,
                            const std::string& description);

  // The description file "file", or nullptr when there is none to read:
  // it has no folder or no such file exists ("*why" left empty), or it
  // cannot be opened ("*why" tells where and why).
  static std::unique_ptr<DescriptionFile> open(Platform& platform,
                                               const FolderEntry& file,
                                               std::string* why);

  // Reads the next line into "*line", keeping at most "limit" characters; a
  // longer line is left partly unread. LF ends a line, and so does CR-LF, of
  // which neither byte belongs to the line; a lone CR is an ordinary
  // character. False at the end of the text.
  bool readLine(std::size_t limit, std::string* line);

  // True when reading stopped on an error, or the file shrank meanwhile:
  // what was read is then no description. "*why" (when given) tells why.
  bool failed(std::string* why = nullptr) const;

 private:
  std::unique_ptr<InputFile> text_;
};

}  // namespace shgs

#endif  // SHGS_DATAFILES_DESCRIPTION_FILE_H_
