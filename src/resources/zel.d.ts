// Type declarations for window.zel, the host interface of Zel applications.
// Every function returns a promise that settles with the host's reply: it
// resolves with the result, or rejects with the error text. Four functions
// never reply, so their promises never settle: app.close,
// app.enterFullscreen, app.exitFullscreen and window.setBorder.
//
// Text arguments may also be given as numbers or booleans (sent as their
// JSON text). Paths that are not absolute are relative to the folder of the
// application's executable.

export {};

declare global {
  interface Window {
    zel: Zel.Api;
  }
  const zel: Zel.Api;

  namespace Zel {
    type Text = string | number | boolean;
    /** A promise that never settles: the host sends no reply. */
    type NoReply = Promise<never>;

    interface FileTypesArgs {
      /** The text the file-name box starts with. */
      fileName?: Text;
      title?: Text;
      /** Entries "Display name|mask" separated by ";", e.g. "Text|*.txt;All|*.*". */
      fileTypes?: Text;
    }

    interface MenuItem {
      id: number | string;
      /** "-" makes a separator line; "&" marks an access key. */
      caption: string;
      enabled?: boolean | string | number;
      /** An image: an entry of the application package or a file path. */
      image?: string;
      /** A submenu; items without it raise the click event. */
      items?: MenuItem[];
    }

    interface MenuItemUpdate {
      id: Text;
      caption?: Text;
      enabled?: Text;
      image?: Text;
    }

    interface WindowSize {
      top: number;
      left: number;
      width: number;
      height: number;
    }

    type Border = "none" | "single" | "sizeable" | "dialog" | "toolwindow" | "sizetoolwindow";

    interface Api {
      /** Sends a request with a function id; the transport under every function. */
      call(funcID: number, args: object): Promise<unknown>;
      /** The host's version text. */
      hello(): Promise<string>;
      /** True inside a packaged application. */
      isRuntime(): Promise<boolean>;

      system: {
        /** The three requests reject with the system's reason when refused. */
        logoff(): Promise<true>;
        reboot(): Promise<true>;
        shutdown(): Promise<true>;
        /** Entries "E,xx:xx:xx:xx:xx:xx" (E Ethernet, W wireless, U other). */
        macAddresses(): Promise<string[]>;
        /** False when notifications are not supported. */
        notification(args: { name?: Text; title?: Text; body?: Text }): Promise<boolean>;
      };

      mainMenu: {
        /** `items` is the JSON text of an array of items (JSON.stringify). */
        setItems(args: { items: string }): Promise<true>;
        updateItem(args: MenuItemUpdate): Promise<true>;
      };

      registry: {
        writeValue(args: { key: Text; name: Text; value?: Text }): Promise<boolean>;
        /** The value, or "" when there is none. */
        readValue(args: { key: Text; name: Text }): Promise<string>;
        valueExist(args: { key: Text; name: Text }): Promise<boolean>;
        deleteValue(args: { key: Text; name: Text }): Promise<boolean>;
        keyExist(args: { key: Text }): Promise<boolean>;
        deleteKey(args: { key: Text }): Promise<boolean>;
      };

      trayMenu: {
        showIcon(): Promise<true>;
        hideIcon(): Promise<true>;
        /** `items` is the JSON text of an array of items (JSON.stringify). */
        setItems(args: { items: string }): Promise<true>;
        updateItem(args: MenuItemUpdate): Promise<true>;
      };

      dialogs: {
        /** The chosen file's full path, or "" when cancelled. Title defaults to "Open file". */
        openFile(args: FileTypesArgs): Promise<string>;
        /** The chosen path, or "" when cancelled. Title defaults to "Save file". */
        saveFile(args: FileTypesArgs & { overwritePrompt?: boolean }): Promise<string>;
        /** The chosen folder ending with a path delimiter, or "" when cancelled. */
        selFolder(args: { title?: Text }): Promise<string>;
      };

      files: {
        fileExists(args: { filePath: Text }): Promise<boolean>;
        deleteFile(args: { filePath: Text }): Promise<boolean>;
        /** Writes UTF-8 with a byte-order mark, every line ended by CR LF. */
        writeTextFile(args: { filePath: Text; contents?: Text }): Promise<true>;
        /** Copies an entry of the application's folder in the package ("/data/x.json") to a file. */
        extractFile(args: { sourceFile: Text; targetFile: Text }): Promise<true>;
      };

      folders: {
        dirExists(args: { dirPath: Text }): Promise<boolean>;
        /** Creates one folder; its parent must exist. */
        createDir(args: { dirPath: Text }): Promise<boolean>;
        /** Deletes a folder with everything in it. */
        deleteDir(args: { dirPath: Text }): Promise<boolean>;
        /** Full paths of the matching files; `allDirs` "true" includes sub-folders. */
        listFiles(args: { dirPath: Text; fileMask: Text; allDirs: Text }): Promise<string[]>;
        getTempDir(): Promise<string>;
        getUserDocumentsDir(): Promise<string>;
        getUserDesktopDir(): Promise<string>;
        getAppExecutableDir(): Promise<string>;
        getAppDataDir(): Promise<string>;
      };

      app: {
        /** Closes the application. */
        close(): NoReply;
        inFullscreen(): Promise<boolean>;
        enterFullscreen(): NoReply;
        exitFullscreen(): NoReply;
        /** The executable's full path, then the command-line arguments
         * (split at blanks; double quotes group and are removed). */
        getArgs(): Promise<string[]>;
        navigate(args: { url: Text }): Promise<true>;
      };

      window: {
        getStyle(): Promise<"ontop" | "normal">;
        setStyle(args: { style?: "ontop" | "normal" | string }): Promise<true>;
        getState(): Promise<"normal" | "minimized" | "maximized">;
        setState(args: { state?: "normal" | "minimized" | "maximized" | string }): Promise<true>;
        getTitle(): Promise<string>;
        setTitle(args: { title?: Text }): Promise<true>;
        /** The zoom factor as decimal text with the user's decimal separator ("1.5", "1,5"). */
        getZoom(): Promise<string>;
        /** False (and the zoom back at 1) when `factor` is not a number with "." as separator. */
        setZoom(args: { factor?: Text }): Promise<boolean>;
        /** The outer bounds in device pixels. */
        getSize(): Promise<WindowSize>;
        /** Missing fields, and fields that are not whole numbers, keep their value. */
        setSize(args: Partial<Record<keyof WindowSize, Text>>): Promise<true>;
        getBorder(): Promise<Border>;
        setBorder(args: { border?: Border | string }): NoReply;
      };

      shell: {
        /** Opens a program (with `arguments`), document, folder or address;
         * rejects with the system's message on failure. filePath is used as given:
         * a relative path is relative to the current folder, not the executable's. */
        execute(args: { filePath: Text; arguments?: Text }): Promise<true>;
        /** Shows the file or folder in the file manager. */
        explore(args: { filePath: Text }): Promise<true>;
        /** Runs a shell command (cmd.exe /C, Linux /bin/sh -c) and resolves with its
         * output (standard error included); "" when it cannot start. */
        command(args: { command: Text; workingDir?: Text; showWindow?: Text }): Promise<string>;
        /** The titles of the top-level windows, topmost first (Linux: X11 only, else []). */
        windows(): Promise<string[]>;
      };

      themes: {
        getTheme(): Promise<string>;
        getThemes(): Promise<string[]>;
        /** True when the theme of exactly that name is now active. */
        setTheme(args: { name?: Text }): Promise<boolean>;
      };

      base64: {
        /** Writes the decoded bytes of bare base64 text (no data-URL prefix) to a file. */
        decodeToFile(args: { filePath: Text; contents?: Text }): Promise<true>;
      };

      /** Assign your own functions to receive the host's events. */
      events: {
        /** Asked on every attempt to close; the default calls zel.app.close(). */
        onCloseQuery(): void;
        /** Menu ids arrive as strings. */
        onMainMenuItemClick(itemId: string): void;
        onTrayMenuItemClick(itemId: string): void;
        onTrayIconClick(): void;
        onNotificationClick(notifName: string): void;
      };
    }
  }
}
