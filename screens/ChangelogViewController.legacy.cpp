#include "screens/ChangelogViewController.h"

// The whole text, headings included, stays in one face and colour.
void ChangelogViewController::emphasizeHeadings(UITextView&) { }
