// The real start-up, ending once the first frame is painted: by then the main
// window is shown with the converter inside and its property list filled.
#include "FirstPaint.h"
#include "app/Application.h"
#include "app/Main.h"

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    new QuitAfterFirstPaint(&app);
    return Main();
}
