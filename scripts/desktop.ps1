# The desktop of a Windows machine as the CI jobs use it: dot-source it, then clear the desktop
# for the window tests, find the program's window, and save pictures of a window or the screen.
Add-Type -AssemblyName System.Drawing
Add-Type -Namespace TimedShutdown -Name Desktop -MemberDefinition @'
    public delegate bool EachWindow(IntPtr window, IntPtr data);
    [DllImport("user32.dll")] static extern bool EnumWindows(EachWindow each, IntPtr data);
    [DllImport("user32.dll")] public static extern bool IsWindowVisible(IntPtr window);
    [DllImport("user32.dll")] static extern bool IsIconic(IntPtr window);
    [DllImport("user32.dll")] static extern int GetWindowLongW(IntPtr window, int index);
    [DllImport("user32.dll")] static extern bool ShowWindowAsync(IntPtr window, int how);
    [DllImport("user32.dll", CharSet = CharSet.Unicode)]
    public static extern IntPtr FindWindowW(string className, IntPtr title);
    [DllImport("user32.dll")]
    public static extern uint GetWindowThreadProcessId(IntPtr window, out uint pid);
    [DllImport("user32.dll")]
    public static extern bool SetWindowPos(IntPtr window, IntPtr after, int x, int y, int width,
                                           int height, uint flags);
    [DllImport("user32.dll")] public static extern bool SetForegroundWindow(IntPtr window);
    [DllImport("user32.dll")] public static extern int GetSystemMetrics(int index);
    [DllImport("dwmapi.dll")]
    public static extern int DwmGetWindowAttribute(IntPtr window, int what, out Rect rect, int size);
    public struct Rect { public int Left, Top, Right, Bottom; }

    // Minimises every visible window that has a minimise box, as Windows+M does. On a hosted
    // runner that includes the runner's own console, which otherwise stays in front.
    public static int MinimiseAll() {
        const int Style = -16, MinimiseBox = 0x00020000, Minimise = 6;
        int count = 0;
        EnumWindows((window, data) => {
            if (IsWindowVisible(window) && !IsIconic(window) &&
                (GetWindowLongW(window, Style) & MinimiseBox) != 0) {
                ShowWindowAsync(window, Minimise);
                count++;
            }
            return true;
        }, IntPtr.Zero);
        return count;
    }
'@

function Clear-Desktop {
    $count = [TimedShutdown.Desktop]::MinimiseAll()
    Start-Sleep -Seconds 1 # the minimising is asynchronous
    "minimised $count windows"
}

# Waits up to 10 s for the window of a program just started to show, and returns it. The program
# creates it hidden and shows it once its controls are made.
function Wait-ProgramWindow([System.Diagnostics.Process] $process) {
    for ($i = 0; $i -lt 100; $i++) {
        # A real null title: PowerShell would pass $null to a string as "", which asks for a
        # window with an empty title.
        $window = [TimedShutdown.Desktop]::FindWindowW('My First Window', [IntPtr]::Zero)
        [uint32] $owner = 0
        [void][TimedShutdown.Desktop]::GetWindowThreadProcessId($window, [ref] $owner)
        if ($window -ne [IntPtr]::Zero -and $owner -eq $process.Id -and
            [TimedShutdown.Desktop]::IsWindowVisible($window)) {
            [void] $process.WaitForInputIdle(10000) # in its message loop: it takes WM_CLOSE
            return $window
        }
        Start-Sleep -Milliseconds 100
    }
    throw "no window shown by $($process.ProcessName) within 10 s"
}

function Save-ScreenArea([int] $left, [int] $top, [int] $width, [int] $height, [string] $path) {
    $picture = [System.Drawing.Bitmap]::new($width, $height)
    $screen = [System.Drawing.Graphics]::FromImage($picture)
    $screen.CopyFromScreen($left, $top, 0, 0, $picture.Size)
    $screen.Dispose()
    $picture.Save($path, [System.Drawing.Imaging.ImageFormat]::Png)
    $picture.Dispose()
}

# Brings the window in front of all others and saves its frame as seen: GetWindowRect would add
# the invisible resize borders.
function Save-WindowPicture([IntPtr] $window, [string] $path) {
    $topmost = [IntPtr]::new(-1)
    $noMoveNoSize = 0x3
    [void][TimedShutdown.Desktop]::SetWindowPos($window, $topmost, 0, 0, 0, 0, $noMoveNoSize)
    [void][TimedShutdown.Desktop]::SetForegroundWindow($window)
    Start-Sleep -Milliseconds 500 # let the first paint finish
    $frame = [TimedShutdown.Desktop+Rect]::new()
    $extendedFrameBounds = 9
    [void][TimedShutdown.Desktop]::DwmGetWindowAttribute($window, $extendedFrameBounds, [ref] $frame, 16)
    Save-ScreenArea $frame.Left $frame.Top ($frame.Right - $frame.Left) ($frame.Bottom - $frame.Top) $path
}

# The whole virtual screen, every monitor.
function Save-ScreenPicture([string] $path) {
    $metric = { param($index) [TimedShutdown.Desktop]::GetSystemMetrics($index) }
    Save-ScreenArea (& $metric 76) (& $metric 77) (& $metric 78) (& $metric 79) $path
}
