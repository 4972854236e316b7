#include "script/cell_text.h"

#include <cstdlib>
#include <cstring>
#include <utility>

CellText::CellText(std::string_view text) {
    if (!make_room(text.size() + 1)) return;
    std::memcpy(data_, text.data(), text.size());
    set_length(text.size());
}

CellText::CellText(CellText&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      room_(std::exchange(other.room_, 0)),
      length_(std::exchange(other.length_, 0)) {}

CellText& CellText::operator=(CellText&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        room_ = std::exchange(other.room_, 0);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

CellText::~CellText() {
    std::free(data_);
}

bool CellText::make_room(std::size_t room) {
    if (room == 0) room = 1;
    char* data = static_cast<char*>(std::malloc(room));
    if (!data) return false;
    std::free(data_);
    data_ = data;
    room_ = room;
    set_length(0);
    return true;
}

void CellText::set_length(std::size_t length) {
    if (!data_) return;
    length_ = length < room_ ? length : room_ - 1;
    data_[length_] = '\0';
}
