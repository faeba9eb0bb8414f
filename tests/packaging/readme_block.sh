# readme_block README LANG: the code block of language LANG in the README's
# section "Using kzomaker in a build", exactly as a reader copies it.
readme_block() {
    awk '/^## Using kzomaker in a build$/ { on = 1; next } /^## / { on = 0 } on' "$1" |
        awk -v fence="\`\`\`$2" '$0 == fence { f = 1; next } f && $0 == "```" { f = 0 } f'
}
