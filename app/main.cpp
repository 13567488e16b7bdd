// quillmark: edits the FORMAT statement that starts on a line of a Fortran
// source file.  quillmark FILE LINE COLUMN [-d:1:LOG] [-fps4]
#include "editor_app.h"

int main(int argc, char** argv)
{
    CEditorApp app;
    return app.Run(argc, argv);
}
