// placeholder: to be written
#include "picture.h"
namespace sarvo::platform {
bool LoadPicture(const std::string& path, Bitmap&, std::string& why) { why = "no loader yet: " + path; return false; }
}
