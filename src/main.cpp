#include "app/Application.h"
#include "app/Main.h"

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    return Main();
}
