#pragma once
// The program's help: one HTML page for a technician, shown in the help window.
namespace k7 {

const char* helpPageHtml();

}  // namespace k7
