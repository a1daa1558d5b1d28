// The face rules of every platform that finds its faces through fontconfig, written once: a
// design face only where fontconfig has that very family, the system's substitute for a family,
// and a face for one character the others lack. fontconfig reads its configuration (about
// 9 ms) on a thread of its own, started with the measurer; the first question about a face
// waits for it. A platform supplies how it matches a pattern and how it opens the match.
#pragma once

#include <fontconfig/fontconfig.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "host/drawing/text_measurer.hpp"

namespace host::fontconfig {

class FontconfigMeasurer : public drawing::TextMeasurer {
 public:
  FontconfigMeasurer(const FontconfigMeasurer&) = delete;
  FontconfigMeasurer& operator=(const FontconfigMeasurer&) = delete;

  // fontconfig answers every request with some face; only an exact family match counts here,
  // and it is looked at before anything is opened. Remembered by family and size, missing or
  // not.
  drawing::FaceId OpenFace(std::string_view family, int pixelSize) final;
  drawing::FaceId OpenSubstitute(std::string_view family, int pixelSize) final;
  // fontconfig's face for the family that has the character, where it really has it.
  drawing::FaceId OpenFallback(char32_t c, std::string_view preferredFamily, int pixelSize) final;

 protected:
  // notice: told once, with a line for the user, when fontconfig finds no font at all (its
  // configuration could not be read: no files left to open, say), so no caption can be drawn.
  explicit FontconfigMeasurer(std::function<void(std::string_view)> notice = nullptr);
  ~FontconfigMeasurer() override;

  // Waits until fontconfig has read its configuration.
  void WaitForConfiguration();
  // fontconfig's best match for the pattern with this platform's substitutions applied, or
  // null. The pattern stays the caller's; the match is the callee's to give.
  virtual FcPattern* Match(FcPattern* pattern) = 0;
  // Opens the matched face at the pixel size, taking the match; kNoFace when it cannot.
  virtual drawing::FaceId OpenMatch(FcPattern* match, int pixelSize) = 0;

 private:
  drawing::FaceId OpenPattern(FcPattern* pattern, int pixelSize, const std::string* exactFamily);

  std::thread configuration_;
  std::function<void(std::string_view)> notice_;
  std::map<std::pair<std::string, int>, drawing::FaceId> byFamily_;
};

}  // namespace host::fontconfig
