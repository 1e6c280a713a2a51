// How the metadata code calls exiv2: started once per process, its log lines collected per
// calling thread and its exceptions turned into texts. Private to lumivex_metadata.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumivex::metadata_internal {

// Runs work with exiv2 started. The warnings and errors exiv2 logs on this thread meanwhile are
// appended to log (when given), one line each. An exception work throws gives false, with its
// text in reason.
bool RunExiv2(const std::function<void()>& work, std::vector<std::string>* log,
              std::string* reason);

// The one warning for what happened to a part ("the EXIF block", say) read or written by
// RunExiv2: "PART is left out (reason)" when it failed, "PART is damaged; what could be read is
// kept (first log line, and N more problems)" when exiv2 only logged problems, nothing when
// neither. Appended to warnings when given.
void NotePartProblems(const std::string& part, bool ok, const std::string& reason,
                      const std::vector<std::string>& log, std::vector<std::string>* warnings);

}  // namespace lumivex::metadata_internal
