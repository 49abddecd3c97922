# Sourced by run.sh and test.sh: installs the Debian packages the build needs, or says how.
talvo_packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libicu-dev qt6-base-dev libusb-1.0-0-dev libudev-dev libopenal-dev
    fonts-liberation espeak-ng sox python3 python3-olefile clang clang-format locales poppler-utils desktop-file-utils
    xdg-utils shared-mime-info libglib2.0-bin
    # The scripts of the shipped languages that DejaVu lacks: Chinese, Japanese and Korean; Arabic and Thai.
    fonts-noto-cjk fonts-noto-ui-core
)

talvo_install_dependencies() {
    local missing=()
    local package
    for package in "${talvo_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run this once, then try again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# The tests that prove numbers are written in the C locale need a locale with a decimal comma to run in.
talvo_install_test_locale() {
    if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "No German locale: the decimal-comma tests will skip (sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8)" >&2
        return 0
    fi
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
}
