# The demo's settings, for scripts/demo.sh and the README's pictures (scripts/pictures.sh):
# resonance up so the sweep sings; everything else at the default program's values.
demo_settings=(--param 2=0.55)
# The same for the LV2 build, whose ports take the units the host shows.
demo_settings_lv2=(--param resonance=55)
