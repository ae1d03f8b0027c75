#pragma once

class App;
class MainWindow;

// Connects each menu item to the screen it opens.
void wireScreens(MainWindow& window, App& app);
