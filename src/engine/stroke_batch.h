#pragma once

#include <array>
#include <cstddef>

#include "engine/key_rendering.h"
#include "engine/key_stroke.h"

namespace tarsil {

// Gathers strokes and hands them to the platform a batch at a time: a short
// list goes out in one batch, a long macro in as few as the buffer allows,
// and nothing is allocated either way. What is left goes out at the end of
// the batch's life.
class StrokeBatch {
 public:
  using Send = void (*)(void* context, const KeyStroke* strokes, std::size_t count);

  StrokeBatch(Send send, void* context) noexcept : send_(send), context_(context) {}
  StrokeBatch(const StrokeBatch&) = delete;
  StrokeBatch& operator=(const StrokeBatch&) = delete;
  ~StrokeBatch() { flush(); }

  void add(RenderedKey key, bool up) noexcept {
    strokes_[count_++] = KeyStroke{key.vk, up, key.extended};
    if (count_ == strokes_.size()) flush();
  }

  void flush() noexcept {
    if (count_ != 0 && send_ != nullptr) send_(context_, strokes_.data(), count_);
    count_ = 0;
  }

 private:
  Send send_;
  void* context_;
  std::array<KeyStroke, kStrokeBatchSize> strokes_;
  std::size_t count_ = 0;
};

}  // namespace tarsil
