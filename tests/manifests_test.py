#!/usr/bin/env python3
"""The package manifests that release.yml makes for a zip, read as Scoop and winget read them: made
for a repository someone/timed-shutdown, and again with WINGET_PACKAGE_ID naming another package.
Usage, in the repository: manifests_test.py ZIP VERSION"""
import fnmatch, hashlib, json, os, pathlib, re, subprocess, sys, tempfile, zipfile  # noqa: E401
import yaml

zip_file, version = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2]
sha256, inside = hashlib.sha256(zip_file.read_bytes()).hexdigest(), zipfile.ZipFile(zip_file).namelist()
release = yaml.safe_load(pathlib.Path(".github/workflows/release.yml").read_text())
runs = [step.get("run", "") for step in release["jobs"]["publish"]["steps"]]
published = re.findall(r"dist/(\S+)", next(run for run in runs if "publish-release.sh" in run))
ci = yaml.safe_load(pathlib.Path(".github/workflows/ci.yml").read_text())
carried = next(step["with"]["path"].split() for step in ci["jobs"]["linux"]["steps"]
               if step.get("with", {}).get("name") == "win64-release")  # what release.yml takes
tag, home = f"v{version}", "https://github.com/someone/timed-shutdown"
download = f"{home}/releases/download/{tag}/{zip_file.name}"


def manifests(package=""):
    """Scoop's manifest and winget's, by file name, as release.yml's step makes them."""
    folder = pathlib.Path(tempfile.mkdtemp())
    (folder / "dist").symlink_to(zip_file.parent)  # the zip and its .sha256
    (folder / "scripts").symlink_to(pathlib.Path("scripts").resolve())
    subprocess.run(["bash", "-ec", next(run for run in runs if "make-manifests.py" in run)],
                   cwd=folder, check=True, stdout=subprocess.DEVNULL, env=dict(
                       os.environ, GITHUB_REF_NAME=tag, GITHUB_REPOSITORY="someone/timed-shutdown",
                       WINGET_PACKAGE_ID=package))
    return (json.loads((folder / "manifests/timed-shutdown.json").read_text(encoding="utf-8")),
            {p.name: yaml.safe_load(p.read_text(encoding="utf-8")) for p in (folder / "manifests/winget").glob("*")})


def winget_as(package, winget):
    """Four files named after the package, which each names, of the kinds winget takes."""
    kinds = {"": "version", ".installer": "installer", ".locale.en-US": "defaultLocale", ".locale.zh-CN": "locale"}
    return {f"{package}{suffix}.yaml": (kind, package) for suffix, kind in kinds.items()} == {
        name: (m["ManifestType"], m["PackageIdentifier"]) for name, m in winget.items()}


scoop, winget = manifests()
other = manifests("Some.Package")[1]
installer = next(m for m in winget.values() if m["ManifestType"] == "installer")
url, update = scoop["architecture"]["64bit"]["url"], scoop["autoupdate"]["architecture"]["64bit"]
wrong = [what for what, right in [
    ("ci: the release's artifact carries the zip and its .sha256", all(any(fnmatch.fnmatch(
        name, path.split("/")[-1]) for path in carried) for name in (zip_file.name, zip_file.name + ".sha256"))),
    ("scoop: version and hash", (scoop["version"], scoop["architecture"]["64bit"]["hash"].lower()) == (version, sha256)),
    ("scoop: the download, a file the release publishes", url == download and any(fnmatch.fnmatch(zip_file.name, p) for p in published)),
    ("scoop: autoupdate gives back the download and its published .sha256",
     (update["url"].replace("$version", version), update["hash"]["url"].replace("$url", url)) == (url, url + ".sha256")
     and any(fnmatch.fnmatch(zip_file.name + ".sha256", p) for p in published)),
    ("scoop: checkver finds this version in the tags release.yml publishes", scoop["checkver"] == {"github": home}
     and any(fnmatch.fnmatch(tag, t) for t in release[True]["push"]["tags"])
     and re.search(r"/releases/tag/(?:v|V)?([\d.]+)", f"/releases/tag/{tag}")[1] == version),
    ("scoop: Start-menu entry", scoop["shortcuts"] == [["timed-shutdown.exe", "定时关机"]]),
    ("scoop, winget: every file shimmed, linked or run is in the zip", {scoop["bin"], *(s[0] for s in scoop["shortcuts"]),
     *(f["RelativeFilePath"] for f in installer["NestedInstallerFiles"])} <= set(inside)),
    ("winget: the owner's package, or the one WINGET_PACKAGE_ID names",
     winget_as("someone.TimedShutdown", winget) and winget_as("Some.Package", other)),
    ("winget: the owner as publisher", [m.get("Publisher") for m in winget.values() if m.get("Publisher")] == ["someone"]),
    ("winget: versions", all(m["PackageVersion"] == version for m in winget.values())),
    ("winget: one x64 zip, its hash and download", [(i["Architecture"], i["InstallerSha256"].lower(), i["InstallerUrl"])
                                                    for i in installer["Installers"]] == [("x64", sha256, download)]),
    ("winget: a zip with one nested portable program", (installer["InstallerType"], installer["NestedInstallerType"],
     installer["NestedInstallerFiles"]) == ("zip", "portable", [
         {"RelativeFilePath": "timed-shutdown.exe", "PortableCommandAlias": "timed-shutdown"}])),
] if not right]
print("\n".join(f"wrong: {what}" for what in wrong) or "as Scoop and winget read them: true to the zip and the release")
sys.exit(1 if wrong else 0)
