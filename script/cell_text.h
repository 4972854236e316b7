// A cell's text in memory of its own. The product is built without exceptions, so running out of
// memory is reported as a result instead of ending the process.
#pragma once

#include <cstddef>
#include <string_view>

class CellText {
   public:
    CellText() = default;
    // A copy of `text`; empty when memory ran out.
    explicit CellText(std::string_view text);
    CellText(CellText&& other) noexcept;
    CellText& operator=(CellText&& other) noexcept;
    CellText(const CellText&) = delete;
    CellText& operator=(const CellText&) = delete;
    ~CellText();

    // Room for `room` bytes, the text emptied; false, with the text as it was, when memory ran out.
    bool make_room(std::size_t room);
    char* buffer() { return data_; }
    std::size_t room() const { return room_; }
    // The text is the buffer's first `length` bytes (at most room - 1, keeping its terminator).
    void set_length(std::size_t length);

    std::string_view view() const { return {data_ ? data_ : "", length_}; }
    operator std::string_view() const { return view(); }
    friend bool operator==(const CellText& text, std::string_view other) { return text.view() == other; }

   private:
    char* data_ = nullptr;
    std::size_t room_ = 0;
    std::size_t length_ = 0;
};
