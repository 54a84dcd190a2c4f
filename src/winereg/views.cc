#include "winereg/views.h"

namespace shgs::winereg {

void KeyLister::read(const Line& line) {
  if (!joining_ && startsSection(line.text)) {
    readSectionLine(line);
    return;
  }
  if (!inside_) return;
  writer_.allowImpliedKeyBytes(line.text.size());
  if (joining_) {
    continueValue(line);
  } else if (isValueLine(line.text)) {
    startValue(line);
  }
}

void KeyLister::finish() {
  if (joining_) endValue();
  writer_.finish();
}

void KeyLister::readSectionLine(const Line& line) {
  KeyPath path;
  inside_ =
      !line.cut && parseSectionLine(line.text, &path) && isWithin(path, root_);
  if (!inside_) return;
  writer_.allowImpliedKeyBytes(line.text.size());
  writer_.enterKey(path);
}

// A value line too long for the buffer, or one whose continued lines
// together outgrow it, is left out like any damaged value: a cut value
// would show what the server does not hold. No value the exporter reads
// comes near that size.
void KeyLister::startValue(const Line& line) {
  damaged_ = line.cut;
  if (!line.continues) {
    if (!damaged_) writeValue(line.text);
    return;
  }
  joining_ = true;
  joined_.clear();
  if (!damaged_) joined_.assign(line.text.substr(0, line.text.size() - 1));
}

void KeyLister::continueValue(const Line& line) {
  const std::string_view part =
      line.text.substr(0, line.text.size() - (line.continues ? 1 : 0));
  damaged_ = damaged_ || line.cut || joined_.size() + part.size() > valueLimit_;
  if (damaged_) {
    joined_.clear();
  } else {
    joined_.append(part);
  }
  if (!line.continues) endValue();
}

void KeyLister::endValue() {
  joining_ = false;
  if (!damaged_) writeValue(joined_);
}

void KeyLister::writeValue(std::string_view line) {
  Value value;
  if (parseValueLine(line, &value)) writer_.writeValue(value);
}

ViewListing::ViewListing(const std::string& keyPath, std::size_t valueLimit,
                         std::ostream& out)
    : keyPath_(keyPath),
      requested_(splitKeyPath(keyPath)),
      redirected_(wow64Path(requested_)),
      requestedSpelling_(requested_),
      redirectedSpelling_(redirected_),
      valueLimit_(valueLimit),
      out_(out) {}

void ViewListing::read(const Line& line) {
  if (inHeader_) readHeaderLine(line);
  if (inHeader_) return;
  if (requestedView_) requestedView_->read(line);
  if (!wowView_) return;
  wowView_->read(line);
  if (requestedView_ && wowView_->listed()) {
    requestedView_.reset();
    held_.reset();  // its memory goes back at once
  }
}

// Until a section line at or below a listed key, lines change nothing.
bool ViewListing::outsideKeys() const {
  return !inHeader_ && (!requestedView_ || requestedView_->outside()) &&
         (!wowView_ || wowView_->outside());
}

bool ViewListing::surelyOutsideKeys(std::string_view text) const {
  return (!requestedView_ || requestedSpelling_.surelyOutside(text)) &&
         (!wowView_ || redirectedSpelling_.surelyOutside(text));
}

ListingResult ViewListing::finish() {
  if (wowView_ && wowView_->listed()) {
    wowView_->finish();
    return outcome();
  }
  if (!requestedView_) return ListingResult::kNoKey;  // the file has no section
  requestedView_->finish();
  if (!requestedView_->listed()) return ListingResult::kNoKey;
  if (held_ && !writeHeld()) return ListingResult::kOutOfMemory;
  return outcome();
}

// The lines before the first section tell the prefix's architecture.
void ViewListing::readHeaderLine(const Line& line) {
  if (line.text == "#arch=win64") win64_ = true;
  if (!startsSection(line.text)) return;
  inHeader_ = false;
  const bool bothViews = win64_ && !redirected_.empty();
  if (bothViews) held_.emplace();
  requestedView_.emplace(keyPath_, requested_, valueLimit_,
                         bothViews ? *held_ : out_);
  if (bothViews) wowView_.emplace(keyPath_, redirected_, valueLimit_, out_);
}

// False when the held listing could not grow, and so is short.
bool ViewListing::writeHeld() {
  if (!*held_) return false;
  const std::string text = held_->str();
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  return true;
}

// An output that went bad could not grow.
ListingResult ViewListing::outcome() const {
  return out_ ? ListingResult::kListed : ListingResult::kOutOfMemory;
}

}  // namespace shgs::winereg
