#pragma once
// Browse: load a text file into the text box.

namespace lectavo {

// Handler of 按钮2's click: asks for a .txt file and replaces 编辑框1's text with the file's text.
void onBrowse();

}  // namespace lectavo
