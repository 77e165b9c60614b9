// The C library's number formatting under the "C" locale for one scope. The
// host may have switched the process to a locale whose decimal point is ','
// (setlocale); while an object of this class lives, printf-style formatting
// on the calling thread uses '.' again, and the host's locale is untouched
// for every other thread and afterwards.
#pragma once

namespace krv::platform {

class ClassicNumbers {
  public:
    ClassicNumbers();
    ~ClassicNumbers();
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

  private:
    void* saved_ = nullptr;  // what the thread used before
    int mode_ = 0;           // the Windows thread-locale mode before
};

}  // namespace krv::platform
