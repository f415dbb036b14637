"""The benchmark report, one module per concern: load, tables, model, plots
and short (short lists and periods)."""
